if(TARGET umbrascope_sdl)
  target_link_libraries(${target} PRIVATE umbrascope_sdl)
  target_compile_definitions(${target} PRIVATE HAVE_UMBRASCOPE_SDL=1)
endif()
