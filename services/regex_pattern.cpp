#include "services/regex_pattern.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "services/case_spelling.h"

namespace zorvane::regex_detail {

namespace {

// Page analysis runs the same handful of patterns hundreds of times per page;
// compiling (and JIT-compiling) each time would cost more than the matching.
// The bound keeps a caller with ever-new patterns from growing it forever.
constexpr std::size_t kCacheCapacity = 256;

struct CompileContextDeleter
{
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextDeleter
{
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct JitStackDeleter
{
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

std::atomic<bool> g_jitEnabled{true};

bool jitUsable()
{
    static const bool available = [] {
        std::uint32_t jit = 0;
        return pcre2_config(PCRE2_CONFIG_JIT, &jit) >= 0 && jit != 0;
    }();
    return available && g_jitEnabled.load(std::memory_order_relaxed);
}

class PatternCache
{
public:
    std::shared_ptr<const CompiledPattern> find(const std::string& key)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_entries.find(key);
        return it == m_entries.end() ? nullptr : it->second;
    }

    std::shared_ptr<const CompiledPattern> insert(const std::string& key,
                                                  std::shared_ptr<const CompiledPattern> pattern)
    {
        std::lock_guard lock(m_mutex);
        if (m_entries.size() >= kCacheCapacity)
            m_entries.clear(); // runs in progress keep their own references
        // Another thread may have compiled the same pattern meanwhile; keep one.
        return m_entries.try_emplace(key, std::move(pattern)).first->second;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<std::string, std::shared_ptr<const CompiledPattern>> m_entries;
};

PatternCache& patternCache()
{
    static PatternCache cache;
    return cache;
}

CodePtr compileText(std::string_view text, std::uint32_t options, pcre2_compile_context* context)
{
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    return CodePtr(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), options, &error,
                                 &errorOffset, context));
}

std::shared_ptr<const CompiledPattern> compile(std::string_view text, std::uint32_t options, bool useJit)
{
    std::unique_ptr<pcre2_compile_context, CompileContextDeleter> context(
        pcre2_compile_context_create(nullptr));
    if (!context)
        return nullptr;
    // '.' then excludes the line feed only, as the page patterns expect;
    // a carriage return is an ordinary character.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);

    // Letter case is spelt out in the pattern, so that only ASCII letters fold.
    const std::string spelled = spellOutCase(text, (options & PCRE2_CASELESS) != 0);
    options &= ~PCRE2_CASELESS;
    CodePtr code = compileText(spelled, options, context.get());
    if (!code)
        return nullptr;
    // The wrapper adds no group. A text that must open the pattern, such as
    // (*UTF), cannot be wrapped and goes without a clock.
    CodePtr clocked = compileText("(?C255)(?:" + spelled + ")", options, context.get());
    // A failed JIT compile (no executable memory, say) leaves the
    // interpreter in charge; pcre2_match picks it automatically.
    if (useJit) {
        pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
        if (clocked)
            pcre2_jit_compile(clocked.get(), PCRE2_JIT_COMPLETE);
    }

    std::uint32_t captures = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
    auto pattern = std::make_shared<CompiledPattern>();
    pattern->text = std::string(text);
    pattern->code = std::move(code);
    pattern->clocked = std::move(clocked);
    pattern->captureCount = static_cast<int>(captures);
    return pattern;
}

// This thread's run clock.
struct RunClock
{
    std::chrono::steady_clock::time_point threadDeadline = std::chrono::steady_clock::time_point::max();
    std::chrono::steady_clock::time_point runDeadline = std::chrono::steady_clock::time_point::max();
    unsigned calls = 0;
};

RunClock& runClock()
{
    thread_local RunClock clock;
    return clock;
}

// Taken at every start position of every run; the clock is read at the
// first and then at every sixteenth, which keeps its cost small.
int onCallout(pcre2_callout_block*, void* data)
{
    auto* clock = static_cast<RunClock*>(data);
    if ((clock->calls++ & 15) == 0 && std::chrono::steady_clock::now() > clock->runDeadline)
        return PCRE2_ERROR_CALLOUT;
    return 0;
}

struct MatchEnvironment
{
    std::unique_ptr<pcre2_match_context, MatchContextDeleter> context{pcre2_match_context_create(nullptr)};
    std::unique_ptr<pcre2_jit_stack, JitStackDeleter> jitStack;

    MatchEnvironment()
    {
        if (!context)
            return;
        pcre2_set_callout(context.get(), onCallout, &runClock());
        pcre2_set_match_limit(context.get(), kMatchLimit);
        pcre2_set_depth_limit(context.get(), kDepthLimit);
        pcre2_set_heap_limit(context.get(), kHeapLimitKiB);
        // The default 32 KiB JIT stack is tight for long item texts; a JIT
        // stack may serve only one thread at a time, hence one per thread.
        jitStack.reset(pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr));
        if (jitStack)
            pcre2_jit_stack_assign(context.get(), nullptr, jitStack.get());
    }
};

} // namespace

std::shared_ptr<const CompiledPattern> compiledPattern(std::string_view text, std::uint32_t options)
{
    const bool useJit = jitUsable();
    std::string key;
    key.reserve(text.size() + 12);
    key.append(std::to_string(options)).push_back(useJit ? 'j' : 'i');
    key.append(text);

    PatternCache& cache = patternCache();
    if (auto found = cache.find(key))
        return found;
    auto pattern = compile(text, options, useJit);
    if (!pattern)
        return nullptr;
    return cache.insert(key, std::move(pattern));
}

pcre2_match_context* threadMatchContext()
{
    thread_local MatchEnvironment environment;
    return environment.context.get();
}

bool startRunClock()
{
    RunClock& clock = runClock();
    const auto now = std::chrono::steady_clock::now();
    clock.runDeadline = std::min(clock.threadDeadline, now + kRunTimeLimit);
    clock.calls = 0;
    return now <= clock.threadDeadline;
}

std::chrono::steady_clock::time_point setThreadDeadline(std::chrono::steady_clock::time_point deadline)
{
    return std::exchange(runClock().threadDeadline, deadline);
}

void setJitEnabled(bool enabled)
{
    g_jitEnabled.store(enabled, std::memory_order_relaxed);
}

bool jitEnabled()
{
    return jitUsable();
}

} // namespace zorvane::regex_detail
