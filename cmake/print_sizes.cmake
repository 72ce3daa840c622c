# cmake -DFILES="a;b" -P print_sizes.cmake: prints each file's name and size.
foreach(file IN LISTS FILES)
    file(SIZE "${file}" bytes)
    math(EXPR kib "(${bytes} + 1023) / 1024")
    get_filename_component(name "${file}" NAME)
    message(STATUS "[size] ${name}: ${bytes} bytes (${kib} KiB)")
endforeach()
