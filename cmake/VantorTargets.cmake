# vantor_library(<name> FOLDER <folder> SOURCES <files...>)
#
# A static library of the console. Its headers are reached as "<folder>/<header>.h" only by
# targets that link it: each library gets an include root of its own in the build tree that
# holds links to just its headers, so a target that includes a header of a library it does
# not link fails to compile instead of working by accident.
function(vantor_library name)
  cmake_parse_arguments(L "" "FOLDER" "SOURCES" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  vantor_export_headers(${name} ${L_FOLDER} ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_BINARY_DIR}/include/${name})
  vantor_warnings(${name})
endfunction()

function(vantor_export_headers name folder)
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(source IN LISTS ARGN)
    if(source MATCHES "\\.h$")
      get_filename_component(path ${source} ABSOLUTE)
      get_filename_component(file ${source} NAME)
      file(CREATE_LINK ${path} ${root}/${folder}/${file} SYMBOLIC COPY_ON_ERROR)
    endif()
  endforeach()
endfunction()

# The warning set of every target of the project: the program, its libraries, the tools,
# the tests and the benchmarks. CI makes them errors (CMAKE_COMPILE_WARNING_AS_ERROR).
function(vantor_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
    -Wnon-virtual-dtor -Woverloaded-virtual)
endfunction()
