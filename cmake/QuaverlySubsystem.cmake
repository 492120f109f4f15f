# How Quaverly's libraries are declared, and the layers they sit in.
#
# A subsystem folder holds its logic in the folder itself (q_<name>_core, Qt Core only) and its windows in ui/
# (q_<name>_ui). Each library belongs to a layer and may link libraries of its own layer and of the layers its
# layer uses, directly or through others. docs/architecture.md draws the layers; scripts/lint --layers reads the
# link graph CMake builds and fails on a library that links above its layer, a core library that reaches Qt Gui
# or Widgets, or a program or library of ours that has no layer.

# quaverly_define_layer(<layer> [USES <layer>...] [HEADLESS])
#   HEADLESS: the layer's libraries and programs run without a display: nothing they link reaches Qt Gui.
function(quaverly_define_layer layer)
    cmake_parse_arguments(L "HEADLESS" "" "USES" ${ARGN})
    foreach(used IN LISTS L_USES)
        get_property(known GLOBAL PROPERTY QUAVERLY_LAYERS)
        if(NOT used IN_LIST known)
            message(FATAL_ERROR "layer ${layer} uses ${used}, which is not defined before it")
        endif()
    endforeach()
    set_property(GLOBAL APPEND PROPERTY QUAVERLY_LAYERS ${layer})
    set_property(GLOBAL PROPERTY QUAVERLY_LAYER_USES_${layer} "${L_USES}")
    set_property(GLOBAL PROPERTY QUAVERLY_LAYER_HEADLESS_${layer} ${L_HEADLESS})
endfunction()

# Bottom to top. The standalone programs (the companions) link nothing of ours; tools (test writers, the demo
# iPod, the manual page maker) may use any core but nothing of the program may use them.
quaverly_define_layer(standalone)
quaverly_define_layer(base HEADLESS)
quaverly_define_layer(settings USES base HEADLESS)
quaverly_define_layer(database USES settings HEADLESS)
quaverly_define_layer(media USES database HEADLESS)
quaverly_define_layer(feature USES media HEADLESS)
quaverly_define_layer(cli USES feature HEADLESS)
quaverly_define_layer(widgets USES base)
quaverly_define_layer(window USES feature widgets)
quaverly_define_layer(app USES window)
quaverly_define_layer(tool USES feature)
quaverly_define_layer(test USES app cli tool standalone)

# quaverly_default_layer(<layer>): the layer of every program and library made in the calling folder and below
# that names none itself (tests/, benchmarks/ and fuzz/ are the test layer).
define_property(DIRECTORY PROPERTY QUAVERLY_DEFAULT_LAYER INHERITED)
function(quaverly_default_layer layer)
    set_property(DIRECTORY PROPERTY QUAVERLY_DEFAULT_LAYER ${layer})
endfunction()

# quaverly_set_layer(<target> <layer>): for programs and libraries not made by the functions below.
function(quaverly_set_layer target layer)
    get_property(known GLOBAL PROPERTY QUAVERLY_LAYERS)
    if(NOT layer IN_LIST known)
        message(FATAL_ERROR "${target}: unknown layer ${layer} (known: ${known})")
    endif()
    set_property(TARGET ${target} PROPERTY QUAVERLY_LAYER ${layer})
    set_property(GLOBAL APPEND PROPERTY QUAVERLY_LAYERED_TARGETS ${target})
endfunction()

# quaverly_add_library(<target> LAYER <layer> [MODULE] [DIRS <dir>...] [SOURCES <file>...]
#                      [DEPS <target>...] [PRIVATE_DEPS <target>...])
#   A static library (a loadable module with MODULE) of SOURCES and of every .cpp, .h, .ui and .qrc file in DIRS
#   (relative to the calling folder; "." is the folder itself). DEPS are linked PUBLIC, PRIVATE_DEPS PRIVATE.
#   Nothing is made when there are no sources, so a subsystem without windows needs no special case.
function(quaverly_add_library target)
    cmake_parse_arguments(A "MODULE" "LAYER" "DIRS;SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    if(NOT A_LAYER)
        message(FATAL_ERROR "quaverly_add_library(${target}): LAYER is missing")
    endif()
    set(sources ${A_SOURCES})
    foreach(dir IN LISTS A_DIRS)
        set(base ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
        file(GLOB found CONFIGURE_DEPENDS ${base}/*.cpp ${base}/*.h ${base}/*.ui ${base}/*.qrc)
        list(APPEND sources ${found})
    endforeach()
    if(NOT sources)
        return()
    endif()
    if(A_MODULE)
        add_library(${target} MODULE ${sources})
    else()
        add_library(${target} STATIC ${sources})
    endif()
    target_link_libraries(${target} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS} quaverly_flags)
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
    quaverly_set_layer(${target} ${A_LAYER})
endfunction()

# quaverly_add_subsystem(<name> LAYER <layer> [UI_LAYER <layer>] [CORE_DEPS <target>...]
#                        [CORE_PRIVATE_DEPS <target>...] [UI_DEPS <target>...])
#   q_<name>_core: the folder's own sources, in LAYER, linking CORE_DEPS and Qt Core.
#   q_<name>_ui: the sources in ui/, in UI_LAYER (default: window), linking the core, UI_DEPS and Qt Widgets.
#   The folder decides where a file goes, so a window cannot slip into a core library. The sources are globbed
#   (CONFIGURE_DEPENDS: a new file is picked up by the next build) because the layout is the declaration.
function(quaverly_add_subsystem name)
    cmake_parse_arguments(S "" "LAYER;UI_LAYER" "CORE_DEPS;CORE_PRIVATE_DEPS;UI_DEPS" ${ARGN})
    if(NOT S_LAYER)
        message(FATAL_ERROR "quaverly_add_subsystem(${name}): LAYER is missing")
    endif()
    if(NOT S_UI_LAYER)
        set(S_UI_LAYER window)
    endif()
    quaverly_add_library(q_${name}_core LAYER ${S_LAYER} DIRS .
        DEPS ${S_CORE_DEPS} Qt6::Core PRIVATE_DEPS ${S_CORE_PRIVATE_DEPS})
    set(core_target)
    if(TARGET q_${name}_core)
        set(core_target q_${name}_core)
    endif()
    quaverly_add_library(q_${name}_ui LAYER ${S_UI_LAYER} DIRS ui DEPS ${core_target} ${S_UI_DEPS} Qt6::Widgets)
endfunction()

# Writes <build>/quaverly-layers.txt for scripts/lint --layers: every layer with the layers it uses, every
# library and program of ours with its layer ("-" when it has none). Called once, at the end of the top level.
function(quaverly_write_layers)
    set(text "# layer <name> <headless 0|1> <uses...>\n# target <name> <type> <layer>\n")
    get_property(layers GLOBAL PROPERTY QUAVERLY_LAYERS)
    foreach(layer IN LISTS layers)
        get_property(uses GLOBAL PROPERTY QUAVERLY_LAYER_USES_${layer})
        get_property(headless GLOBAL PROPERTY QUAVERLY_LAYER_HEADLESS_${layer})
        if(headless)
            set(headless 1)
        else()
            set(headless 0)
        endif()
        list(JOIN uses " " uses)
        string(APPEND text "layer ${layer} ${headless} ${uses}\n")
    endforeach()
    quaverly_collect_targets(${CMAKE_SOURCE_DIR} targets)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
            continue()
        endif()
        get_target_property(layer ${target} QUAVERLY_LAYER)
        if(NOT layer)
            get_target_property(dir ${target} SOURCE_DIR)
            get_property(layer DIRECTORY ${dir} PROPERTY QUAVERLY_DEFAULT_LAYER)
        endif()
        if(NOT layer)
            set(layer -)
        endif()
        string(APPEND text "target ${target} ${type} ${layer}\n")
    endforeach()
    file(WRITE ${CMAKE_BINARY_DIR}/quaverly-layers.txt "${text}")
endfunction()

function(quaverly_collect_targets dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        quaverly_collect_targets(${sub} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()
