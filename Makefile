# The two commands of the README, plus the package and the benchmarks. Each one installs what
# is missing.
#   make run      build (Release) and start the program
#   make test     build (Debug, sanitizers) and run every test
#   make package  build (Release) and make the Debian package in build/release/package
#   make bench    build (Release) and run the benchmarks

JOBS ?= 2
RELEASE_DIR ?= build/release
TEST_DIR ?= build/test
CMAKE_GEN = -G Ninja

.PHONY: deps run test package bench release test-build clean

deps:
	@scripts/install-deps

release: deps
	@cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTALLOWFEN_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

run: release
	@scripts/run-sample $(RELEASE_DIR)

test-build: deps
	@cmake -S . -B $(TEST_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTALLOWFEN_SANITIZE=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

test: test-build
	@cd $(TEST_DIR) && ctest -j $(JOBS) --output-on-failure --timeout 600

package: release
	@rm -f $(RELEASE_DIR)/package/*.deb
	@cd $(RELEASE_DIR) && cpack -G DEB >/dev/null
	@ls $(RELEASE_DIR)/package/*.deb

bench: release
	@bench/run-benchmarks $(RELEASE_DIR)

clean:
	rm -rf build
