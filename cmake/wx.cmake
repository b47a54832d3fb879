# wxWidgets as one target to link, in place of wxWidgets_USE_FILE, which sets include folders,
# definitions and flags on a whole folder. Its headers come in as system headers, so our warnings
# apply to our own code alone.
if(CMAKE_CROSSCOMPILING)
  # wxWidgets for the target, from scripts/build-wxmsw: its wx-config is given, and its folder is one
  # more root to look for its headers in.
  if(NOT wxWidgets_CONFIG_EXECUTABLE)
    message(FATAL_ERROR "Give wxWidgets for the target: -DwxWidgets_CONFIG_EXECUTABLE=$(scripts/build-wxmsw)/bin/wx-config")
  endif()
  cmake_path(GET wxWidgets_CONFIG_EXECUTABLE PARENT_PATH wx_bin)
  cmake_path(GET wx_bin PARENT_PATH wx_prefix)
  list(APPEND CMAKE_FIND_ROOT_PATH ${wx_prefix})
endif()
find_package(wxWidgets 3.2 REQUIRED COMPONENTS webview core base)

add_library(kestrova_wxwidgets INTERFACE)
target_include_directories(kestrova_wxwidgets SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(kestrova_wxwidgets INTERFACE ${wxWidgets_DEFINITIONS}
                           $<$<CONFIG:Debug>:${wxWidgets_DEFINITIONS_DEBUG}>)
target_compile_options(kestrova_wxwidgets INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(kestrova_wxwidgets INTERFACE ${wxWidgets_LIBRARIES})
