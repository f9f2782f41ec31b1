# Warnings are set per target with tovalo_warnings(<target>...). Sanitizers stay
# on every target of the project: instrumented and plain code must not mix in
# one program.
if(TOVALO_SANITIZE)
  add_compile_options(-fsanitize=${TOVALO_SANITIZE} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${TOVALO_SANITIZE})
  if(TOVALO_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

function(tovalo_warnings)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wnon-virtual-dtor
      # GCC's spelling; clang does not know it and would warn on every file.
      "$<$<COMPILE_LANG_AND_ID:C,GNU>:-Wshadow=local>"
      "$<$<COMPILE_LANG_AND_ID:CXX,GNU>:-Wshadow=local>")
    if(TOVALO_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
    set_property(TARGET ${target} PROPERTY TOVALO_WARNINGS ON)
  endforeach()
endfunction()

# tovalo_warnings for every compiled target in the given folders and below that
# has not had it yet: the folders whose CMakeLists do not call it themselves.
function(tovalo_warnings_below)
  foreach(dir IN LISTS ARGN)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      get_target_property(done ${target} TOVALO_WARNINGS)
      if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$"
         AND NOT done)
        tovalo_warnings(${target})
      endif()
    endforeach()
    get_property(below DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    tovalo_warnings_below(${below})
  endforeach()
endfunction()
