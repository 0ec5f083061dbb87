# One QApplication for the program, as in the views' tests.
target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ui/QtTestEnvironment.cpp)
target_link_libraries(${target} PRIVATE Qt6::Test)
