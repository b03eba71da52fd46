# Copies the Ruffle player's run-time files (scripts, WebAssembly, licences) into a fresh folder,
# leaving out the source maps. Stale files from an earlier version are removed first, since the
# package names its chunks by content hash.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
file(GLOB entries RELATIVE ${INPUT} ${INPUT}/*)
foreach(name ${entries})
    if(IS_DIRECTORY ${INPUT}/${name} OR name MATCHES "\\.map$")
        continue()
    endif()
    file(COPY ${INPUT}/${name} DESTINATION ${OUTPUT})
endforeach()
if(NOT EXISTS ${OUTPUT}/ruffle.js)
    message(FATAL_ERROR "${INPUT} holds no ruffle.js")
endif()
