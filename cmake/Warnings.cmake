# Warning and sanitizer flags applied to every target of the project.
add_compile_options(-Wall -Wextra -Wnon-virtual-dtor)
# GCC's spelling; clang does not know it and would warn on every file.
add_compile_options("$<$<COMPILE_LANG_AND_ID:C,GNU>:-Wshadow=local>"
                    "$<$<COMPILE_LANG_AND_ID:CXX,GNU>:-Wshadow=local>")
if(TOVALO_WERROR)
  add_compile_options(-Werror)
endif()
if(TOVALO_SANITIZE)
  add_compile_options(-fsanitize=${TOVALO_SANITIZE} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${TOVALO_SANITIZE})
  if(TOVALO_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()
