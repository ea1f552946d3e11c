add_executable(store_bench store_bench.cpp)
target_link_libraries(store_bench PRIVATE vesk_store benchmark::benchmark)
