# Warnings for the project's own targets: strict, and fatal.
function(vorlix_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
