# Sourced by the sanitizer and fuzz scripts: every finding is fatal, leaks
# included; what Qt and the system libraries leave behind is listed, with the
# reason, in tests/sanitizers/.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$root/tests/sanitizers/ubsan.supp"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
# The randomized model test of the text area runs longer here.
export VEXLO_MODEL_ROUNDS=40
