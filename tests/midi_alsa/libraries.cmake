# The ALSA adapter's tests need its library; without alsa they compile to an empty suite.
if(TARGET umbrascope_alsa)
  target_link_libraries(${target} PRIVATE umbrascope_alsa)
else()
  set_source_files_properties(${test_sources} PROPERTIES HEADER_FILE_ONLY ON)
endif()
