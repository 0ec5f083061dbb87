# The process tests run the real binary under a pseudo-terminal.
add_dependencies(${target} umbrascope-cli)
target_compile_definitions(${target} PRIVATE
                           UMBRASCOPE_CLI_PATH="$<TARGET_FILE:umbrascope-cli>")
target_link_libraries(${target} PRIVATE util)
