# The process tests run the real binary: its exit status, its standard streams, its limits.
add_dependencies(${target} umbrascope-cli)
target_compile_definitions(${target} PRIVATE
                           UMBRASCOPE_CLI_PATH="$<TARGET_FILE:umbrascope-cli>")
# The speech tests drive speech-dispatcher's synthesizer with a fake daemon.
if(TARGET umbrascope_speechd)
  target_link_libraries(${target} PRIVATE umbrascope_speechd)
  target_compile_definitions(${target} PRIVATE HAVE_UMBRASCOPE_SPEECHD=1)
endif()
