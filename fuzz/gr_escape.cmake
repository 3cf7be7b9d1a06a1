# Escape payloads from applications handed to the graphics module's escape entry.
zolt_fuzz_target(gr_escape ${CMAKE_CURRENT_SOURCE_DIR}/gr_escape.cpp zoltgr_core)
foreach(target fuzz_gr_escape fuzz_gr_escape_replay)
  if(TARGET ${target})
    target_compile_definitions(${target} PRIVATE ZOLT_SAMPLE_MODEL="${PROJECT_SOURCE_DIR}/samples/models/ZOLT7000.QCS")
  endif()
endforeach()
