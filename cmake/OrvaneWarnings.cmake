# Warnings for the project's own targets only; third-party headers come in as SYSTEM.
function(orvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion -Wnon-virtual-dtor -Wold-style-cast)
  if(ORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# QML compiled ahead of time by qmlcachegen, to byte code only: Qt 6.4's translation of bindings
# to C++ gets some wrong (lists returned by C++ methods read as empty). The generated C++ is Qt's,
# not held to our warnings.
function(orvane_precompiled_qml target)
  set_target_properties(${target} PROPERTIES QT_QMLCACHEGEN_ARGUMENTS --only-bytecode)
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "qmlcache")
  set_source_files_properties(${sources} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS -w)
endfunction()
