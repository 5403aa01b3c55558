# g++ 12 drops the stores of some loops at -O1 and above (the program in
# OptimiserProbe.cpp shows it). The probe is built with this build's own
# optimisation flags and run; where it comes out wrong, the whole project is
# built with -fno-ivopts, which the probe must then pass. Other compilers and
# unoptimised builds pass it as they are.
option(MORVANE_OPTIMISER_GUARD "Build with -fno-ivopts where the compiler fails cmake/OptimiserProbe.cpp" ON)
if(NOT MORVANE_OPTIMISER_GUARD OR CMAKE_CROSSCOMPILING OR NOT CMAKE_BUILD_TYPE)
  return()
endif()

function(morvane_probe_optimiser result extra_flags)
  set(CMAKE_TRY_COMPILE_CONFIGURATION ${CMAKE_BUILD_TYPE})
  try_run(runs builds
          SOURCES ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/OptimiserProbe.cpp
          NO_CACHE
          COMPILE_DEFINITIONS ${extra_flags}
          COMPILE_OUTPUT_VARIABLE output)
  if(NOT builds)
    message(FATAL_ERROR "The optimiser probe does not build:\n${output}")
  endif()
  if(runs EQUAL 0)
    set(${result} TRUE PARENT_SCOPE)
  else()
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

morvane_probe_optimiser(sound "")
if(NOT sound)
  morvane_probe_optimiser(guarded "-fno-ivopts")
  if(NOT guarded)
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION} compiles cmake/OptimiserProbe.cpp "
                        "wrongly at ${CMAKE_BUILD_TYPE} even with -fno-ivopts: build with another compiler.")
  endif()
  message(STATUS "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION} drops a loop's stores at ${CMAKE_BUILD_TYPE}: "
                 "building with -fno-ivopts")
  add_compile_options(-fno-ivopts)
endif()
