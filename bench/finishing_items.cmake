# The computed finishing items that every rule pass of the model's conditions reads.
zolt_benchmark(finishing_items ${CMAKE_CURRENT_LIST_DIR}/finishing_items_bench.cpp zoltcore)
