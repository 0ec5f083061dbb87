target_link_libraries(${target} PRIVATE umbrascope_terminal util)
