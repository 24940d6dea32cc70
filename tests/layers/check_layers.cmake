# Fails when a source file includes a folder above its own, when <windows.h> is
# included other than through the one support header, or when portable code
# chooses an OS with #ifdef: a folder's name must tell what it may use.
#   cmake -DSRC=<repo>/src -P check_layers.cmake

# Lowest first. A file may include its own folder and any folder of a lower rank;
# the two backends share a rank so that neither may include the other.
set(layers
  "common=0"
  "platform=1"
  "platform/posix=2" "platform/win32=2"
  "forms=3"
  "loc=4"
  "state=5"
  "engine=6"
  "devices=7"
  "ui=8"
  "app=9"
  "ui/win32=10"
  "programs=11")

function(rank_of folder out)
  set(best -1)
  set(bestLen 0)
  foreach(entry IN LISTS layers)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 name)
    list(GET pair 1 rank)
    string(LENGTH "${name}" len)
    if((folder STREQUAL name OR folder MATCHES "^${name}/") AND len GREATER bestLen)
      set(best ${rank})
      set(bestLen ${len})
      set(bestName ${name})
    endif()
  endforeach()
  set(${out} ${best} PARENT_SCOPE)
  set(${out}_NAME "${bestName}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cpp")
set(faults "")
foreach(file IN LISTS sources)
  get_filename_component(folder "${file}" DIRECTORY)
  rank_of("${folder}" own)
  if(own EQUAL -1)
    string(APPEND faults "${file}: its folder has no place in the layers\n")
    continue()
  endif()
  set(ownName "${own_NAME}")
  file(STRINGS "${SRC}/${file}" lines REGEX "^[ \t]*#[ \t]*(include|if|ifdef|ifndef|elif)")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]+\"([^\"]+)/[^/\"]+\"")
      set(target "${CMAKE_MATCH_1}")
      rank_of("${target}" theirs)
      if(theirs EQUAL -1)
        string(APPEND faults "${file}: includes ${target}, which is no layer\n")
      elseif(NOT theirs_NAME STREQUAL ownName AND NOT theirs LESS own)
        string(APPEND faults "${file}: ${ownName} includes ${theirs_NAME}, which is not below it\n")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]+<windows\\.h>" AND NOT file STREQUAL "platform/win32/WindowsSupport.h")
      string(APPEND faults "${file}: includes <windows.h> instead of platform/win32/WindowsSupport.h\n")
    elseif(line MATCHES "_WIN32" AND NOT ownName MATCHES "win32$|^programs$")
      string(APPEND faults "${file}: portable code chooses the OS with _WIN32; the build chooses the backend\n")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Layer faults:\n${faults}")
endif()
list(LENGTH sources count)
message(STATUS "Layers: ${count} files, no include goes up")
