# The program tests start zentra-cli and zentra-sim from the build's bin folder.
if(TARGET zentra_cli_tests)
  add_dependencies(zentra_cli_tests zentra-cli)
  if(TARGET zentra-sim)
    add_dependencies(zentra_cli_tests zentra-sim)
  endif()
endif()

# Under Wine (the Windows cross build): zentra-cli.exe itself, over the in-process
# simulator and over a Wine COM port mapped to zentra-sim's pseudo-terminal.
if(CMAKE_CROSSCOMPILING AND TARGET zentra-cli)
  add_test(NAME cli.simulated_info COMMAND zentra-cli --simulate nano:ZQL22X@129 info)
  set_tests_properties(cli.simulated_info PROPERTIES
    PASS_REGULAR_EXPRESSION "ZQL22X \\(code 9, bodypack\\)")
  set(ZENTRA_HOST_SIM "" CACHE FILEPATH "zentra-sim built for the build machine (Wine COM test)")
  if(ZENTRA_HOST_SIM)
    add_test(NAME cli.wine_com_port
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/wine_com_port.sh
                     $<TARGET_FILE:zentra-cli> ${ZENTRA_HOST_SIM})
  endif()
endif()
