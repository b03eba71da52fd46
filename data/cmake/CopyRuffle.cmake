# Copies the Ruffle player's run-time files (scripts, WebAssembly, licences) into a fresh folder,
# leaving out the source maps, and adds what published pages need beside it: a gzip copy of each
# WebAssembly build ("<name>.wasm.gz", made by GZIP with -9n so that it holds no name or time)
# and the script that unpacks them in the visitor's browser (SHIM). The raw builds stay for the
# desktop editor, which plays from this folder. Stale files from an earlier version are removed
# first, since the package names its chunks by content hash.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
file(GLOB entries RELATIVE ${INPUT} ${INPUT}/*)
foreach(name ${entries})
    if(IS_DIRECTORY ${INPUT}/${name} OR name MATCHES "\\.map$")
        continue()
    endif()
    file(COPY ${INPUT}/${name} DESTINATION ${OUTPUT})
    if(name MATCHES "\\.wasm$")
        execute_process(COMMAND ${GZIP} -9n -c ${INPUT}/${name}
                        OUTPUT_FILE ${OUTPUT}/${name}.gz RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "${GZIP} could not compress ${INPUT}/${name}")
        endif()
    endif()
endforeach()
file(COPY ${SHIM} DESTINATION ${OUTPUT})
if(NOT EXISTS ${OUTPUT}/ruffle.js)
    message(FATAL_ERROR "${INPUT} holds no ruffle.js")
endif()
