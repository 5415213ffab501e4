# The program test starts the built zentra-sim, so build it before the sim tests.
if(TARGET zentra_sim_tests AND TARGET zentra-sim)
  add_dependencies(zentra_sim_tests zentra-sim)
endif()
