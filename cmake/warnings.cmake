# One warning set for all of our own code; system headers are not affected.
add_compile_options(-Wall -Wextra -Wshadow -Wformat=2)
if(DOZADIR_WERROR)
  add_compile_options(-Werror)
endif()
