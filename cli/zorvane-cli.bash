# bash completion for zorvane-cli                               -*- shell-script -*-

_zorvane_cli()
{
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion -s || return
    else
        # Without the bash-completion package: bash splits "--format=j" into
        # "--format" "=" "j", so the option is found behind the "=".
        COMPREPLY=()
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD - 1]}
        if [[ $cur == = ]]; then
            cur=
        elif [[ $prev == = && $cword -ge 2 ]]; then
            prev=${COMP_WORDS[COMP_CWORD - 2]}
        fi
    fi

    local command= i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} == @(search|extract|history|changes|basket|watch) ]]; then
            command=${words[i]}
            break
        fi
    done

    case $prev in
    --sort)
        mapfile -t COMPREPLY < <(compgen -W "asc desc" -- "$cur")
        return
        ;;
    --format)
        local formats="csv tsv json xlsx"
        [[ $command == @(history|changes|basket|watch) ]] && formats="tsv json"
        mapfile -t COMPREPLY < <(compgen -W "$formats" -- "$cur")
        return
        ;;
    --encoding)
        mapfile -t COMPREPLY < <(compgen -W "gbk utf-8" -- "$cur")
        return
        ;;
    --cookies)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -W "firefox" -- "$cur"; compgen -f -- "$cur")
        return
        ;;
    -o | --output | --csv | --config | --cacert | --ca-file | --db)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    --every)
        mapfile -t COMPREPLY < <(compgen -W "30min 1h 6h 1d" -- "$cur")
        return
        ;;
    -i | --interval | -p | --pages | --retries | --cookie | -H | --header | --min | --max | -t | --tag | --search-host | \
        --proxy | --threshold | --discount | --top | --max-items | --max-each | --must | --exclude | --coupon | --min-drop | --job)
        return
        ;;
    esac

    local options
    case $command in
    search)
        options="-i --interval -p --pages --retries --cookie --cookies -H --header --min --max -t --tag --sort -o --output
                 --csv --format --encoding -q --quiet --config --search-host --insecure --cacert --ca-file
                 --proxy --db --no-history --options-stdin -h --help"
        ;;
    extract)
        options="-o --output --format --encoding -q --quiet -h --help"
        ;;
    history | changes)
        options="--db --format -h --help"
        ;;
    basket)
        options="--threshold --discount --top --max-items --max-each --must --exclude --format --coupon --db
                 -h --help"
        ;;
    watch)
        local action=${words[i + 1]}
        if ((cword == i + 1)); then
            mapfile -t COMPREPLY < <(compgen -W "run add list remove" -- "$cur")
            return
        fi
        case $action in
        run | add)
            options="-i --interval -p --pages --retries --cookie -H --header --min --max -t --tag --sort -o --output
                     --csv --format --encoding -q --quiet --config --search-host --insecure --cacert --ca-file
                     --proxy --db --min-drop --no-new --options-stdin -h --help"
            [[ $action == run ]] && options+=" --job" || options+=" --every --replace"
            ;;
        list) options="--db --format" ;;
        *) options= ;;
        esac
        ;;
    *)
        mapfile -t COMPREPLY < <(compgen -W "search extract history changes basket watch --help --version" -- "$cur")
        return
        ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    elif [[ $command == @(extract|basket) ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
} &&
    complete -F _zorvane_cli zorvane-cli
