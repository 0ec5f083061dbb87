target_link_libraries(${target} PRIVATE Qt6::Test)
