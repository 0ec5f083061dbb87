target_link_libraries(${target} PRIVATE Qt6::Test)
# Test helpers may be QObjects with slots (a desktop URL handler).
set_target_properties(${target} PROPERTIES AUTOMOC ON)
