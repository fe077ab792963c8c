# Our own code builds with every warning as an error. Floating-point
# contraction is off so that production code and the reference code in the
# tests round the same way on every compiler and target.
function(valkron_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Werror
    $<$<COMPILE_LANGUAGE:CXX>:-Wno-missing-field-initializers>)
endfunction()

add_compile_options(-ffp-contract=off)
