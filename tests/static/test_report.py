"""GoogleTest-style lines for the checks written in Python, so that tests/run-all.sh
counts them with the other suites."""


def run_tests(heading, tests, errors=()):
    """Runs each (name, check) in turn, where check() returns a list of faults (empty when
    it passes); an exception of a type in `errors` counts as that test's fault. Prints a
    RUN line, the faults and OK or FAILED per test, then the counts; True when all passed."""
    print(f"[==========] Running {len(tests)} tests ({heading}).")
    failed = []
    for name, check in tests:
        print(f"[ RUN      ] {name}")
        try:
            faults = check()
        except tuple(errors) as e:
            faults = [str(e)]
        for fault in faults:
            print(fault if fault.startswith("Failure") else f"Failure: {fault}")
        print(f"[  FAILED  ] {name}" if faults else f"[       OK ] {name}")
        if faults:
            failed.append(name)
    print(f"[==========] {len(tests)} tests ran.")
    print(f"[  PASSED  ] {len(tests) - len(failed)} tests.")
    if failed:
        print(f"[  FAILED  ] {len(failed)} test{'s' if len(failed) > 1 else ''}, listed below:")
        for name in failed:
            print(f"[  FAILED  ] {name}")
    return not failed
