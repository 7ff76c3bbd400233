# The program's own messages, extracted from the sources into POT:
#   cmake -D SOURCE_DIR=<cli folder> -D POT=<file> [-D CHECK=ON] -P catalogue.cmake
# With CHECK, each po/<language>.po must translate every one of them (msgcmp
# names the messages that are missing or untranslated).
file(GLOB sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp)
list(SORT sources)
execute_process(
  COMMAND xgettext --language=C++ --from-code=UTF-8 --keyword=_ --keyword=N_ --keyword=_n:1,2
          --package-name=zorvane-cli --sort-by-file -o ${POT} ${sources}
  WORKING_DIRECTORY ${SOURCE_DIR}
  RESULT_VARIABLE extracted)
if(NOT extracted EQUAL 0)
  message(FATAL_ERROR "xgettext failed")
endif()
if(CHECK)
  file(GLOB catalogues ${SOURCE_DIR}/po/*.po)
  foreach(catalogue ${catalogues})
    execute_process(COMMAND msgcmp ${catalogue} ${POT} RESULT_VARIABLE compared)
    if(NOT compared EQUAL 0)
      message(FATAL_ERROR "${catalogue} lacks translations; update it with msgmerge and translate")
    endif()
  endforeach()
endif()
