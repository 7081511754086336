# The payload unit tests (host under the sanitizers, Windows under Wine).
nimbrel_add_gtest(payload_tests
    SOURCES PayloadEntryTest.cpp PayloadVerifyTest.cpp
    LIBS nimbrel_test_payload nimbrel_payload)

if(WIN32)
    # The loader runs on real modules: the test program carries a small pair of resources, and
    # each resource-only DLL beside it one fault.
    enable_language(RC)
    nimbrel_add_gtest(payload_resources_tests
        SOURCES PayloadResourcesTest.cpp PayloadResourcesTest.rc
        LIBS nimbrel_payload_win)
    target_compile_definitions(payload_resources_tests PRIVATE PAYLOAD_RES_GOOD)
    foreach(fault MANIFEST_ONLY SHORT_MANIFEST SHORT_BLOB BLOB_ONLY)
        string(TOLOWER "payload_res_${fault}" dll)
        add_library(${dll} SHARED PayloadResourcesTest.rc)
        target_compile_definitions(${dll} PRIVATE PAYLOAD_RES_${fault})
        set_target_properties(${dll} PROPERTIES PREFIX "" LINKER_LANGUAGE C)
        add_dependencies(payload_resources_tests ${dll})
    endforeach()
endif()
