# wxWidgets as one target to link, in place of wxWidgets_USE_FILE, which sets include folders,
# definitions and flags on a whole folder. Its headers come in as system headers, so our warnings
# apply to our own code alone.
find_package(wxWidgets 3.2 REQUIRED COMPONENTS webview core base)

add_library(kestrova_wxwidgets INTERFACE)
target_include_directories(kestrova_wxwidgets SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(kestrova_wxwidgets INTERFACE ${wxWidgets_DEFINITIONS}
                           $<$<CONFIG:Debug>:${wxWidgets_DEFINITIONS_DEBUG}>)
target_compile_options(kestrova_wxwidgets INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(kestrova_wxwidgets INTERFACE ${wxWidgets_LIBRARIES})
