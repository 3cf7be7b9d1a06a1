zolt_fuzz_target(admin_install ${CMAKE_CURRENT_LIST_DIR}/admin_install.cpp zoltcore)
