# Warnings of this project's own targets. Every target built from our sources
# calls paketlog_warnings(<target>...) right after it is defined:
#   -Wall -Wextra always, -Werror only with PAKETLOG_WERROR=ON (the CI stages).
# Nothing goes into CMAKE_CXX_FLAGS or directory options: a user's build never
# fails on a warning a newer compiler finds, and code from outside the project
# (GoogleTest built from source) keeps its own flags.
function(paketlog_warnings)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${PAKETLOG_WERROR}>:-Werror>)
  endforeach()
endfunction()
