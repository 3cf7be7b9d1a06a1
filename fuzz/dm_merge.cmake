# Device modes from applications merged into a context of the sample model.
zolt_fuzz_target(dm_merge ${CMAKE_CURRENT_SOURCE_DIR}/dm_merge.cpp zoltcore)
foreach(target fuzz_dm_merge fuzz_dm_merge_replay)
  if(TARGET ${target})
    target_compile_definitions(${target} PRIVATE ZOLT_SAMPLE_MODEL="${PROJECT_SOURCE_DIR}/samples/models/ZOLT7000.QCS")
  endif()
endforeach()
