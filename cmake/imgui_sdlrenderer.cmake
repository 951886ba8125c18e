# Finds Dear ImGui's SDL_Renderer backend source, imgui_impl_sdlrenderer.cpp, where libimgui-dev
# really installed it: dpkg's list of the package's files says where (today under
# /usr/share/doc/libimgui-dev/examples/backends/). A system that leaves /usr/share/doc out of
# packages (a path-exclude in /etc/dpkg/dpkg.cfg.d/) lists the file without having it; the
# build stops and says how to get it back. Elsewhere, -DKB_IMGUI_SDLRENDERER=FILE names it.
set(KB_IMGUI_SDLRENDERER "" CACHE FILEPATH "Dear ImGui's imgui_impl_sdlrenderer.cpp")
if(NOT KB_IMGUI_SDLRENDERER)
    execute_process(COMMAND dpkg-query -L libimgui-dev
        OUTPUT_VARIABLE kb_imgui_files ERROR_QUIET RESULT_VARIABLE kb_dpkg_result)
    string(REGEX MATCH "[^\n]*/imgui_impl_sdlrenderer\\.cpp" kb_listed "${kb_imgui_files}")
    if(NOT kb_listed)
        message(FATAL_ERROR "Dear ImGui's imgui_impl_sdlrenderer.cpp was not found: libimgui-dev "
            "lists no such file (is it installed? apt-get install libimgui-dev). On a system "
            "without dpkg, configure with -DKB_IMGUI_SDLRENDERER=/path/to/imgui_impl_sdlrenderer.cpp")
    endif()
    if(NOT EXISTS "${kb_listed}")
        get_filename_component(kb_listed_dir "${kb_listed}" DIRECTORY)
        message(FATAL_ERROR "libimgui-dev installed ${kb_listed}, but it is not on disk: this "
            "system's dpkg leaves such files out (a path-exclude in /etc/dpkg/dpkg.cfg.d/). "
            "Add the line\n  path-include=${kb_listed_dir}/*\nto a file in /etc/dpkg/dpkg.cfg.d/, "
            "then run: apt-get install --reinstall libimgui-dev. Or configure with "
            "-DKB_IMGUI_SDLRENDERER=FILE for a copy of the file from the same Dear ImGui version.")
    endif()
    set(KB_IMGUI_SDLRENDERER "${kb_listed}" CACHE FILEPATH "Dear ImGui's imgui_impl_sdlrenderer.cpp"
        FORCE)
elseif(NOT EXISTS "${KB_IMGUI_SDLRENDERER}")
    message(FATAL_ERROR "KB_IMGUI_SDLRENDERER names ${KB_IMGUI_SDLRENDERER}, which does not exist")
endif()
message(STATUS "Dear ImGui's SDL_Renderer backend: ${KB_IMGUI_SDLRENDERER}")
