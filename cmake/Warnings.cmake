# Warnings as errors for the project's own targets only; third-party code keeps its own flags.
function(nimbrel_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
            -Wno-sign-conversion -Werror)
    endif()
endfunction()
