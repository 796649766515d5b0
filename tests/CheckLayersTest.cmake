# The layer check catches what it is there for: on a copy of the tree it passes, and each
# include planted below against the order fails it, named with its file.
# Run as `cmake -DROOT=<project dir> -DWORK=<scratch dir> -P CheckLayersTest.cmake`.
set(check "${ROOT}/cmake/CheckLayers.cmake")
file(REMOVE_RECURSE "${WORK}")
foreach(tree src tests tools bench fuzz)
    file(COPY "${ROOT}/${tree}" DESTINATION "${WORK}" FILES_MATCHING PATTERN "*.h" PATTERN "*.cpp")
endforeach()

function(run_check result output)
    execute_process(COMMAND "${CMAKE_COMMAND}" -DROOT=${WORK} -P "${check}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    set(${result} ${rc} PARENT_SCOPE)
    set(${output} "${out}" PARENT_SCOPE)
endfunction()

run_check(rc out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the unchanged copy fails the check:\n${out}")
endif()

# file planted | its include
set(plants
    "src/device/Planted.cpp|#include <app/KordanMain.h>"
    "src/send/Planted.cpp|#include \"ZusiSend.h\""
    "tests/device/Planted.cpp|#include \"sim/ZusiLok.h\""
    "tests/fakes/Planted.h|#include <dialogs/AxisEditor.h>"
    "tools/replay/Planted.cpp|#include \"fakes/FakeDialogs.h\""
    "tools/replay/Planted.h|#include \"Nowhere.h\""
    "fuzz/Planted.cpp|#include \"app/Replay.h\"")
set(failures "")
foreach(plant IN LISTS plants)
    string(REPLACE "|" ";" parts "${plant}")
    list(GET parts 0 file)
    list(GET parts 1 include)
    file(WRITE "${WORK}/${file}" "${include}\n")
    run_check(rc out)
    file(REMOVE "${WORK}/${file}")
    if(rc EQUAL 0 OR NOT out MATCHES "${file}")
        string(APPEND failures "\n  ${file} with ${include} passed")
    endif()
endforeach()
if(failures)
    message(FATAL_ERROR "planted includes the check let through:${failures}")
endif()
