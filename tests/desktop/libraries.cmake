# One QApplication for the program, as in the views' tests.
target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ui/QtTestEnvironment.cpp)
target_link_libraries(${target} PRIVATE Qt6::Test)
# The process test runs the real program: its exit status and its speech log.
add_dependencies(${target} umbrascope)
target_compile_definitions(${target} PRIVATE UMBRASCOPE_PATH="$<TARGET_FILE:umbrascope>")
