# `make run` opens the program, `make test` runs every test; both install what
# is missing and build first. `make fuzz` runs the fuzzers for FUZZ_SECONDS
# in all (60 by default). `make bench` times the window's start-up against the
# same-window floor and kmxlogcfg's under Wine (KMX_BENCH_RUNS rounds, 31 by
# default).
# `make package` builds, then puts the MSI and the zip into build/.
FUZZ_SECONDS ?= 60
.PHONY: build run test package fuzz bench clean

build:
	scripts/bootstrap.sh

run: build
	scripts/run.sh

test: build
	scripts/test.sh

package: build
	scripts/package.sh

fuzz:
	scripts/fuzz.sh $(FUZZ_SECONDS)

bench: build
	scripts/bench.sh

clean:
	rm -rf build
