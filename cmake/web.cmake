# The engine in WebAssembly (emcmake cmake): the same sources and command loop, with the
# console's input served by src/entree_web.js and src/console_web.js. One build gives the
# Web Worker site/quorvik-worker.js (with site/quorvik-worker.wasm) and the launcher
# `quorvik`, which runs the same files under node as a console program.

set(QUORVIK_WEB_SITE ${CMAKE_BINARY_DIR}/site)
set_target_properties(quorvik PROPERTIES OUTPUT_NAME quorvik-worker SUFFIX .js
                      RUNTIME_OUTPUT_DIRECTORY ${QUORVIK_WEB_SITE})

# Whole-program optimisation, and the WebAssembly features that every current browser and
# node 20 have: SIMD (the memo's keys are made with the same SSE2 code as on x86-64, which
# the compiler translates), bulk memory (memcpy, memset), sign extension, non-trapping
# float conversion. Measured with tools/web mesure; none of them changes an answer.
set(QUORVIK_WEB_CIBLE -flto -msimd128 -msse2 -mbulk-memory -msign-ext -mnontrapping-fptoint
    -mmutable-globals)
target_compile_options(quorvik_moteur PRIVATE ${QUORVIK_WEB_CIBLE})
target_compile_options(quorvik PRIVATE ${QUORVIK_WEB_CIBLE})
target_link_options(quorvik PRIVATE ${QUORVIK_WEB_CIBLE})

# The engine waits for input in a read and looks at it during a search in a poll: those two
# imports give the event loop a turn, and ASYNCIFY lets them unwind the engine's stack.
set(QUORVIK_WEB_LIEN
  "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/src/console_web.js"
  "SHELL:--js-library ${CMAKE_SOURCE_DIR}/src/entree_web.js"
  -sENVIRONMENT=web,worker,node
  -sASYNCIFY=1
  "-sASYNCIFY_IMPORTS=['env.__syscall_poll','wasi_snapshot_preview1.fd_read']"
  -sASYNCIFY_STACK_SIZE=262144
  # No function pointer or virtual call lies between main and those imports: the search
  # and the allocator behind indirect calls are left as they are, at full speed.
  -sASYNCIFY_IGNORE_INDIRECT=1
  # The 24 MiB memo is taken at the first search; the loader's malloc aborts instead of
  # failing, so memory grows instead.
  -sALLOW_MEMORY_GROWTH=1
  # No file system: the engine only reads its input and prints its answers.
  -sFILESYSTEM=0
  -sEXPORTED_FUNCTIONS=['_main'])
target_link_options(quorvik PRIVATE ${QUORVIK_WEB_LIEN})
set_property(TARGET quorvik APPEND PROPERTY LINK_DEPENDS
             ${CMAKE_SOURCE_DIR}/src/console_web.js ${CMAKE_SOURCE_DIR}/src/entree_web.js)

# The licence goes with the site, beside the libraries' own.
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${QUORVIK_WEB_SITE}/LICENSE COPYONLY)

# The launcher: node on the worker's files, standard input and output as the native engine.
configure_file(${CMAKE_SOURCE_DIR}/src/lanceur_web.sh ${CMAKE_BINARY_DIR}/quorvik
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
               WORLD_READ WORLD_EXECUTE COPYONLY)
