# Each folder tests/<name>/ becomes one test program test_<name>.
# Folders named in VARNEL_ENGINE_TEST_DIRS link the engine only; the others run
# the real widgets on the offscreen platform through tests/support/gui_main.cpp.
enable_testing()
find_package(GTest REQUIRED)

set(VARNEL_ENGINE_TEST_DIRS frame cli erreurs)

add_library(varnel_test_gui_main STATIC tests/support/gui_main.cpp)
target_link_libraries(varnel_test_gui_main PUBLIC varnel_gui GTest::gtest Qt6::Test)
target_include_directories(varnel_test_gui_main PUBLIC tests/support)

file(GLOB test_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir ${test_dirs})
    get_filename_component(name ${dir} NAME)
    if(NOT IS_DIRECTORY ${dir} OR name STREQUAL "support")
        continue()
    endif()
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT sources)
        continue()
    endif()
    add_executable(test_${name} ${sources})
    set_target_properties(test_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(name IN_LIST VARNEL_ENGINE_TEST_DIRS)
        target_link_libraries(test_${name} PRIVATE varnel_cli GTest::gtest_main)
    else()
        target_link_libraries(test_${name} PRIVATE varnel_test_gui_main)
    endif()
    target_compile_definitions(test_${name} PRIVATE
        VARNEL_BUILD_DIR="${CMAKE_BINARY_DIR}" VARNEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND test_${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endforeach()

# The command-line tests run the real varnel-trame.
if(TARGET test_cli)
    add_dependencies(test_cli varnel-trame)
endif()
# The CAN FD and error window tests compare the window with varnel-trame.
foreach(t test_fd test_erreurs_fenetre)
    if(TARGET ${t})
        add_dependencies(${t} varnel-trame)
    endif()
endforeach()
