# Writes the module definition file of the Windows DLL from the export list.
# The 32-bit DLL exports each function under its stdcall-decorated name
# ("_OpenDev@4"); the 64-bit DLL, which has no decoration, under its plain
# name.
function(mpdll_write_def list_file def_file)
  file(STRINGS ${list_file} lines REGEX "^[A-Za-z_]")
  set(text "LIBRARY mpdll.dll\nEXPORTS\n")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^([A-Za-z0-9_]+)[ \t]+([0-9]+)" _ ${line})
    set(name ${CMAKE_MATCH_1})
    set(bytes ${CMAKE_MATCH_2})
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(APPEND text "_${name}@${bytes} = ${name}@${bytes}\n")
    else()
      string(APPEND text "${name}\n")
    endif()
  endforeach()
  file(WRITE ${def_file} ${text})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
endfunction()
