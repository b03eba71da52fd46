# Makes the browser script swfobject.js from the npm package's module file. The package ends its
# file with a CommonJS export, which throws in a browser page ("module is not defined"); the
# export is kept but only runs where a module object exists.
file(READ ${INPUT} text)
set(export_line "module.exports=swfobject;")
string(FIND "${text}" "${export_line}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "${INPUT}: the expected CommonJS export was not found")
endif()
string(REPLACE "${export_line}"
       "if(typeof module!==\"undefined\"&&module.exports){module.exports=swfobject;}" text "${text}")
file(WRITE ${OUTPUT} "${text}")
