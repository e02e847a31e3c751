# Benchmarks (./bench.sh runs them): not part of the tests, built with everything.
find_package(benchmark REQUIRED)
add_executable(varnel-bench bench/varnel_bench.cpp)
target_link_libraries(varnel-bench PRIVATE varnel_gui varnel_cli benchmark::benchmark Qt6::Test)
target_include_directories(varnel-bench PRIVATE tests/support)
add_executable(varnel-fenetre-nue bench/fenetre_nue.cpp)
target_link_libraries(varnel-fenetre-nue PRIVATE Qt6::Widgets)
