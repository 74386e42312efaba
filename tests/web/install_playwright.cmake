# Installs the locked npm packages of the browser tests into TARGET, unless
# the same lock file is installed there already.
file(MAKE_DIRECTORY ${TARGET})
if(EXISTS ${TARGET}/node_modules/playwright-core/package.json)
    file(SHA256 ${SOURCE}/package-lock.json wanted)
    file(SHA256 ${TARGET}/package-lock.json installed)
    if(wanted STREQUAL installed)
        return()
    endif()
endif()
configure_file(${SOURCE}/package.json ${TARGET}/package.json COPYONLY)
configure_file(${SOURCE}/package-lock.json ${TARGET}/package-lock.json COPYONLY)
execute_process(COMMAND ${NPM} ci --ignore-scripts --no-audit --no-fund
                WORKING_DIRECTORY ${TARGET} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "npm ci failed in ${TARGET}")
endif()
