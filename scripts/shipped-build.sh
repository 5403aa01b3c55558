# The build that users run, described once: scripts/run.sh builds and starts
# it, scripts/test.sh runs the whole suite on it, and `cmake --install build`
# installs its binaries. Sourced, not run.
shipped_build=build

# shipped_configure [CMAKE ARGUMENTS...]: configures the shipped build. Only
# options that add targets (MORVANE_TESTS) or judge warnings (MORVANE_WERROR)
# may be passed; they leave the program's own binaries as they are.
shipped_configure() {
  cmake -S . -B "$shipped_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}
