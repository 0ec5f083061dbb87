# The process tests run the real binary: its exit status, its standard streams, its limits.
add_dependencies(${target} umbrascope-cli)
target_compile_definitions(${target} PRIVATE
                           UMBRASCOPE_CLI_PATH="$<TARGET_FILE:umbrascope-cli>")
