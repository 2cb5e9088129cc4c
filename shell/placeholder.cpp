// The shell's evaluator is built here.
