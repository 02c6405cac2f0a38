if(KORVEL_BUILD_UI)
  korvel_add_bench(bench_download ${CMAKE_CURRENT_LIST_DIR}/download_bench.cpp)
  target_link_libraries(bench_download PRIVATE korvel_ui)
endif()
