# Registers one test program with CTest. Every test runs on Qt's offscreen platform under a pinned
# locale, so no test depends on the machine's display or regional settings.
function(brivane_add_test name)
    add_executable(${name} ${ARGN})
    target_compile_options(${name} PRIVATE ${BRIVANE_WARNINGS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8"
        TIMEOUT 300)
endfunction()
