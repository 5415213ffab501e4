# Files written here are read back by Python's configparser.
add_executable(zentra_files_samples ${CMAKE_CURRENT_LIST_DIR}/tools/WriteSamples.cpp)
target_link_libraries(zentra_files_samples PRIVATE zentra_files zentra_sim)
find_package(Python3 COMPONENTS Interpreter QUIET)
if(Python3_Interpreter_FOUND AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME files.configparser_reads_our_files
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/read_with_configparser.py
                   $<TARGET_FILE:zentra_files_samples>)
endif()
