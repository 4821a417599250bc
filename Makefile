# `make run` opens the program, `make test` runs every test; both install what
# is missing and build first. `make fuzz` runs the load/save fuzzer for
# FUZZ_SECONDS (60 by default).
FUZZ_SECONDS ?= 60
.PHONY: build run test fuzz clean

build:
	scripts/bootstrap.sh

run: build
	scripts/run.sh

test: build
	scripts/test.sh

fuzz:
	scripts/fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf build
