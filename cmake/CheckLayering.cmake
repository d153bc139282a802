# Checks the include rules of the layers; run as a test:
#   cmake -DSOURCE_ROOT=<folder holding src/> -DSCREEN_HEADER_DIRS=<dir|dir> -P CheckLayering.cmake
# Fails, naming file, line and rule, when
#   - a module includes a module it may not use (an upper subsystem from a
#     lower one, screen code from logic, the Firebird layer from screens);
#   - Qt Widgets, Gui, PrintSupport or Charts headers appear outside screen
#     code (the headers found in SCREEN_HEADER_DIRS);
#   - the Firebird client's own headers appear outside src/platform/firebird
#     (and the server plug-in src/udr, which is built on them);
#   - a file lies in a folder that has no rules here (a new folder is given
#     its place in the layers before it builds).

cmake_policy(SET CMP0057 NEW) # IN_LIST

if(NOT SOURCE_ROOT)
  message(FATAL_ERROR "SOURCE_ROOT is not set")
endif()

string(REPLACE "|" ";" SCREEN_HEADER_DIRS "${SCREEN_HEADER_DIRS}")
if(NOT SCREEN_HEADER_DIRS)
  message(FATAL_ERROR "SCREEN_HEADER_DIRS is not set: Qt screen headers cannot be told apart")
endif()

# Module of a file: the deepest listed folder holding it.
set(modules
  platform/firebird platform/gui platform
  core accounting controls
  dataselect/gui dataselect dbupdate comm print
  wizard/app wizard/gui wizard udr)

# What each module may include (besides itself).
set(logic_base core platform platform/firebird)
set(allowed_platform "")
set(allowed_platform/firebird platform)
set(allowed_platform/gui platform)
set(allowed_core platform platform/firebird)
set(allowed_accounting ${logic_base})
set(allowed_controls accounting core platform platform/gui)
set(allowed_dataselect dbupdate accounting ${logic_base})
set(allowed_dataselect/gui dataselect dbupdate controls accounting core platform platform/gui)
set(allowed_dbupdate accounting ${logic_base})
set(allowed_comm accounting ${logic_base})
# The print engine prints the data lists, so it sits above data selection.
set(allowed_print dataselect dbupdate controls accounting core platform platform/gui)
set(allowed_wizard accounting ${logic_base})
set(allowed_wizard/gui wizard controls dataselect dataselect/gui dbupdate comm print accounting core platform platform/gui)
set(allowed_wizard/app wizard/gui ${allowed_wizard/gui})
# The server plug-in shares only the platform's codec, paths and file writer.
set(allowed_udr platform)

# Modules built on the Firebird client's own headers.
set(firebird_client_modules platform/firebird udr)

# Files of screen modules allowed to use the Firebird layer: the base form
# TBSDI owns the company transaction and stored procedures of its screens.
set(firebird_in_screen_allowed controls/SDI.h controls/SDI.cpp)

# Modules that are screen code: they may use Qt Widgets and Gui.
set(screen_modules platform/gui controls dataselect/gui print wizard/gui wizard/app)

function(module_of path out)
  foreach(m IN LISTS modules)
    string(LENGTH "${m}/" n)
    string(SUBSTRING "${path}" 0 ${n} head)
    if(head STREQUAL "${m}/")
      set(${out} "${m}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

set(violations "")
set(unplaced "")
file(GLOB_RECURSE files RELATIVE "${SOURCE_ROOT}/src" "${SOURCE_ROOT}/src/*.h" "${SOURCE_ROOT}/src/*.cpp")
foreach(file IN LISTS files)
  module_of("${file}" from)
  if(from STREQUAL "")
    list(APPEND unplaced "src/${file}")
    continue()
  endif()
  file(STRINGS "${SOURCE_ROOT}/src/${file}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      set(target "${CMAKE_MATCH_1}")
      module_of("${target}" to)
      if(to STREQUAL "" OR to STREQUAL from)
        continue()
      endif()
      if(to STREQUAL "platform/firebird" AND file IN_LIST firebird_in_screen_allowed)
        continue()
      endif()
      if(NOT to IN_LIST allowed_${from})
        list(APPEND violations "src/${file}: ${from} may not include ${target} (${to})")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      set(target "${CMAKE_MATCH_1}")
      if(target MATCHES "^(firebird/|ibase\\.h$|iberror\\.h$)" AND NOT from IN_LIST firebird_client_modules)
        list(APPEND violations "src/${file}: the Firebird client header <${target}> belongs to src/platform/firebird")
      endif()
      if(NOT from IN_LIST screen_modules)
        # <QtWidgets/QWidget> or <QWidget>: a header of a screen module of Qt.
        string(REGEX REPLACE "^Qt[A-Za-z]+/" "" name "${target}")
        foreach(dir IN LISTS SCREEN_HEADER_DIRS)
          if(EXISTS "${dir}/${name}" AND NOT IS_DIRECTORY "${dir}/${name}" OR target MATCHES "^Qt(Widgets|Gui|PrintSupport|Charts)/")
            list(APPEND violations "src/${file}: <${target}> is screen code, ${from} is not")
            break()
          endif()
        endforeach()
      endif()
    endif()
  endforeach()
endforeach()

set(report "")
if(violations)
  list(LENGTH violations count)
  string(REPLACE ";" "\n  " text "${violations}")
  string(APPEND report "${count} include(s) break the layering:\n  ${text}\n")
endif()
if(unplaced)
  list(LENGTH unplaced count)
  string(REPLACE ";" "\n  " text "${unplaced}")
  string(APPEND report "${count} file(s) lie in folders without layering rules (give the folder its module above):\n  ${text}\n")
endif()
if(report)
  message(FATAL_ERROR "${report}")
endif()
list(LENGTH files count)
message(STATUS "layering: ${count} files checked, no include breaks the rules")
