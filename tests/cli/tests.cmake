# The program tests start zentra-cli and zentra-sim from the build's bin folder.
if(TARGET zentra_cli_tests)
  add_dependencies(zentra_cli_tests zentra-cli)
  if(TARGET zentra-sim)
    add_dependencies(zentra_cli_tests zentra-sim)
  endif()
endif()
