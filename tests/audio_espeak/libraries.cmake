if(TARGET umbrascope_espeak)
  target_link_libraries(${target} PRIVATE umbrascope_espeak)
  target_compile_definitions(${target} PRIVATE HAVE_UMBRASCOPE_ESPEAK=1)
endif()
