# The WebAssembly build, configured with emscripten's `emcmake cmake` (see scripts/build_web.sh):
# the core library, the converter, the tests and the job benchmark, run under node. No window
# (GTK); of the benchmarks only bench/job (Google Benchmark is not built for wasm).
option(PELTRIX_WEB_THREADS "WebAssembly: pthreads, so that a job runs two workers" ON)
set(PELTRIX_GUI OFF)

# Exceptions are off by default in emscripten; the decoders and the job report through them.
# 128-bit SIMD everywhere: the portable kernel's vector extensions become wasm SIMD too.
add_compile_options(-fexceptions -msimd128)
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB)
if(PELTRIX_WEB_THREADS)
  add_compile_options(-pthread)
  # Growing a shared memory makes JavaScript views of it slower; peltrix's JS touches it little.
  add_link_options(-pthread -Wno-pthreads-mem-growth)
endif()

# A program with a blocking main() (tests, benchmark) run by node: main runs on a pthread of
# its own so that node's thread stays free to start the workers, the real file system is
# visible (NODERAWFS), and the exit code reaches the shell.
function(peltrix_node_program target)
  target_link_options(${target} PRIVATE -sNODERAWFS=1 -sEXIT_RUNTIME=1)
  if(PELTRIX_WEB_THREADS)
    # the proxied main and a job's two workers, ready before main starts
    target_link_options(${target} PRIVATE -sPROXY_TO_PTHREAD=1 -sPTHREAD_POOL_SIZE=3)
  endif()
endfunction()
