# `make run` opens the program, `make test` runs every test; both install what
# is missing and build first.
.PHONY: build run test clean

build:
	scripts/bootstrap.sh

run: build
	scripts/run.sh

test: build
	scripts/test.sh

clean:
	rm -rf build
