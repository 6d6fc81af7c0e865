# Lays the default program folder beside the executable. misc.ini is the user's once it
# exists: the browser rewrites it with the window's geometry, and a rebuild must not undo that.
file(GLOB_RECURSE entries RELATIVE "${SRC}" "${SRC}/*")
foreach(entry IN LISTS entries)
  set(target "${DST}/${entry}")
  if(entry STREQUAL "Config/misc.ini" AND EXISTS "${target}")
    continue()
  endif()
  get_filename_component(folder "${target}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SRC}/${entry}" "${target}" ONLY_IF_DIFFERENT)
endforeach()
