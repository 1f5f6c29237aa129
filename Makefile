# mked — two entry points: `make run` and `make test`.
BUILD    ?= build
ASAN     ?= build-asan
JOBS     ?= $(shell nproc)
WERROR   ?= OFF
CMAKE_FLAGS ?=
PREFIX   ?=

.PHONY: deps build run test test-shuffled sanitize bench format format-check install package package-check clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DMKED_WERROR=$(WERROR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-editor $(BUILD)

# One job more than cores: a few tests spend their time waiting (a virtual display, an input
# method starting, killed children), and another test runs meanwhile.
test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $$(( $(JOBS) + 1 ))

# Each test binary whole, in a random order three times: a test that leans on another's leftovers
# fails here even though it passes alone under ctest.
test-shuffled: build
	@cd $(BUILD) && for t in core_tests cli_tests gui_tests; do \
		QT_QPA_PLATFORM=offscreen ./$$t --gtest_shuffle --gtest_repeat=3 --gtest_brief=1 || exit 1; done

sanitize: deps
	@cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DMKED_SANITIZE=ON -DMKED_WERROR=$(WERROR) -DMKED_BENCH=OFF -DMKED_TEST_SHARDS=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)
	@cd $(ASAN) && QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		ctest --output-on-failure -j $(JOBS)

bench: build
	@scripts/run-benchmarks $(BUILD)

# PREFIX=DIR overrides the configured CMAKE_INSTALL_PREFIX (/usr/local); DESTDIR is honoured.
install: build
	@cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

package: build
	@cd $(BUILD) && cpack -G DEB

package-check: package
	@scripts/check-package $(BUILD)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(ASAN)
