if(TARGET umbrascope_speechd)
  target_link_libraries(${target} PRIVATE umbrascope_speechd)
  target_compile_definitions(${target} PRIVATE HAVE_UMBRASCOPE_SPEECHD=1)
endif()
