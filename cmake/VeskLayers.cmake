# Layers of the program's own code, each with an include root of its own.
#
# A layer's root is a folder in the build tree holding one symlink per source
# folder of that layer (build/layers/model/model -> src/model). A target puts
# only its own root on the include path and gets the roots of the layers it
# links from them, so "midi/..." is not found from the model.

get_filename_component (VESK_SOURCE_FOLDERS "${CMAKE_CURRENT_LIST_DIR}/../src" ABSOLUTE)

# vesk_layer_root (VAR LAYER FOLDER...): makes LAYER's root (anew, so that a
# folder taken out of a layer goes too) and stores its path in VAR.
function (vesk_layer_root var layer)
    set (root "${CMAKE_BINARY_DIR}/layers/${layer}")

    # Removes the links themselves, never what they point to.
    file (REMOVE_RECURSE "${root}")
    file (MAKE_DIRECTORY "${root}")

    foreach (folder ${ARGN})
        file (CREATE_LINK "${VESK_SOURCE_FOLDERS}/${folder}" "${root}/${folder}" SYMBOLIC)
    endforeach()

    set (${var} "${root}" PARENT_SCOPE)
endfunction()

# vesk_build_in_batches (TARGET [HEADERS]): compiles TARGET's sources a batch at a time,
# one file including several, when VESK_UNITY_BUILD is on (the default), and
# with JUCE's headers precompiled when VESK_PRECOMPILED_HEADERS is. A build
# from clean otherwise spends most of its time reading JUCE's headers again
# for every file. A file that must stay on its own (one that sees X11's
# headers, whose macros clash with everything, or that sets up JUCE's headers
# itself) says so with SKIP_UNITY_BUILD_INCLUSION and SKIP_PRECOMPILE_HEADERS.
# Names in anonymous namespaces share a batch, so they are unique in their
# layer or test program. HEADERS is the target whose precompiled headers it
# takes (vesk_juce_headers when not given).
function (vesk_build_in_batches target)
    set (headers vesk_juce_headers)
    if (ARGC GREATER 1)
        set (headers ${ARGV1})
    endif()

    if (VESK_UNITY_BUILD)
        set_target_properties (${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${VESK_UNITY_BATCH})
        # A fixture in an anonymous namespace is "in a header" once its file is included.
        if (CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
            target_compile_options (${target} PRIVATE -Wno-subobject-linkage)
        endif()
    endif()

    if (VESK_PRECOMPILED_HEADERS)
        target_precompile_headers (${target} REUSE_FROM ${headers})
    endif()
endfunction()

# vesk_add_layer (LAYER [FOR_SIZE] FOLDERS folder... LINKS target...
#                 [PRIVATE_LINKS target...] [SOURCES file...]): the static
# library vesk_LAYER, compiled with -Os when FOR_SIZE is given. A layer
# without sources yet is an interface library: its root and what it links.
function (vesk_add_layer layer)
    cmake_parse_arguments (PARSE_ARGV 1 LAYER "FOR_SIZE" "" "FOLDERS;LINKS;PRIVATE_LINKS;SOURCES")
    vesk_layer_root (root ${layer} ${LAYER_FOLDERS})
    set (target vesk_${layer})

    if (LAYER_SOURCES)
        add_library (${target} STATIC ${LAYER_SOURCES})
        target_include_directories (${target} PUBLIC "${root}")
        target_link_libraries (${target}
            PUBLIC
                ${LAYER_LINKS}
            PRIVATE
                ${LAYER_PRIVATE_LINKS}
                juce::juce_recommended_config_flags
                juce::juce_recommended_warning_flags)

        # After JUCE's flags, whose -O3 it overrides.
        if (LAYER_FOR_SIZE)
            target_link_libraries (${target} PRIVATE vesk_size_flags)
            vesk_build_in_batches (${target} vesk_juce_headers_for_size)
        else()
            vesk_build_in_batches (${target})
        endif()
    else()
        add_library (${target} INTERFACE)
        target_include_directories (${target} INTERFACE "${root}")
        target_link_libraries (${target} INTERFACE ${LAYER_LINKS} ${LAYER_PRIVATE_LINKS})
    endif()
endfunction()
