# Device modes given to the printer-interface module's conversion and document-properties entry
# points, on a printer of the real driver.
zolt_fuzz_target(ui_devmode ${CMAKE_CURRENT_SOURCE_DIR}/ui_devmode.cpp zoltui_core)
foreach(target fuzz_ui_devmode fuzz_ui_devmode_replay)
  if(TARGET ${target})
    target_compile_definitions(${target} PRIVATE ZOLT_SAMPLE_MODEL="${PROJECT_SOURCE_DIR}/samples/models/ZOLT7000.QCS"
                               ZOLT_MODULE_DIR="${ZOLT_MODULE_DIR}")
    add_dependencies(${target} zoltui zoltgr zolt_compstui zolt_userenv zolt_shell32 zolt_ole32 zolt_qvjc32 zolt_qv4mannt zolt_uxtheme)
  endif()
endforeach()
