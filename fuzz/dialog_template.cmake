# Any bytes as a dialog template from a resource library: read against its size, then built.
zolt_fuzz_target(dialog_template ${CMAKE_CURRENT_LIST_DIR}/dialog_template.cpp zoltwin32)
if(TARGET fuzz_dialog_template)
  target_include_directories(fuzz_dialog_template PRIVATE ${PROJECT_SOURCE_DIR}/host/win32/src)
endif()
if(TARGET fuzz_dialog_template_replay)
  target_include_directories(fuzz_dialog_template_replay PRIVATE ${PROJECT_SOURCE_DIR}/host/win32/src)
endif()
