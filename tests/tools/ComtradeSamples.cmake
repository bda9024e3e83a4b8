# Shared by the ternikprobe scripts that compare dumps of COMTRADE sets.

# The dump without its data format line, which a copy in the other format changes, and its
# time multiplier, which a configuration keeps to 12 decimals only.
function(samples out text)
  string(REGEX REPLACE "data format: [A-Z]+\n" "" t "${text}")
  string(REGEX REPLACE "time multiplier: [^\n]*\n" "" t "${t}")
  set(${out} "${t}" PARENT_SCOPE)
endfunction()
