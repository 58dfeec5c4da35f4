# Tarnwick: `make test` builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every suite; `make tsan` runs the threaded suites under ThreadSanitizer; `make bench` builds
# and runs the benchmarks; `make run` builds the program and starts it.

JOBS ?= $(shell nproc)
CMAKE_GEN := -G Ninja
CTEST := ctest --output-on-failure -j $(JOBS) --timeout 300

.PHONY: all deps test tsan bench run clean

all: deps
	cmake -S . -B build/debug $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug
	cmake --build build/debug -j $(JOBS)

deps:
	@scripts/install-deps

# Suites labelled "display" need a real X server; xvfb-run gives them one, the rest run on
# Qt's offscreen platform (set by the test's own main).
test: deps
	cmake -S . -B build/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=address \
	    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g"
	cmake --build build/asan -j $(JOBS)
	cd build/asan && xvfb-run -a $(CTEST)

tsan: deps
	cmake -S . -B build/tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=thread \
	    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g"
	cmake --build build/tsan -j $(JOBS)
	cd build/tsan && xvfb-run -a $(CTEST) -L threads

bench: deps
	cmake -S . -B build/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF \
	    -DTARNWICK_BENCH=ON
	cmake --build build/release -j $(JOBS)
	@for b in $$(find build/release/bench -maxdepth 1 -type f -executable -name "bench_*"); do \
	    echo "== $$b"; $$b || exit 1; done

# The program starts in a work folder of its own outside the sources: with "/nodde" it opens
# the binder it had open last, or creates the default binder there on its first start. The
# installation's "common" files (the summary templates) are copied into it, and beside the
# program, where the summary view reads them unless the settings name another work folder; the
# read-me and the help file, built beside the program, are copied into it too.
RUN_WORK := build/run-work
# The embedded browser refuses to start its sandbox as root; a root session runs it without.
ROOT_BROWSER_ENV := $(if $(filter 0,$(shell id -u)),QTWEBENGINE_DISABLE_SANDBOX=1,)

run: deps
	cmake -S . -B build/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF
	cmake --build build/release -j $(JOBS) --target tarnwick common_files
	mkdir -p $(RUN_WORK)
	cmake -E copy_directory build/release/common $(RUN_WORK)/common
	cmake -E copy_directory build/release/common build/release/app/ui/common
	cmake -E copy build/release/app/ui/readme.txt build/release/app/ui/tqzhelp.chm $(RUN_WORK)
	cd $(RUN_WORK) && $(ROOT_BROWSER_ENV) $(CURDIR)/build/release/app/ui/tarnwick /nodde

clean:
	rm -rf build
