#pragma once
// A linked GLSL program. The sources are written without a #version line and without layout
// qualifiers so the same text builds as GLSL 1.30, 1.50 and 3.30; attribute and output locations are
// bound by name before linking.
#include <epoxy/gl.h>

#include <string>
#include <utility>
#include <vector>

namespace vlm::render {

class GlProgram {
public:
    GlProgram() = default;
    ~GlProgram();
    GlProgram(const GlProgram&) = delete;
    GlProgram& operator=(const GlProgram&) = delete;

    // Compiles and links; on failure returns false and sets `error` to a message naming the program
    // and carrying the compiler's log.
    bool Build(const char* name, int glslVersion, const char* vertexSource, const char* fragmentSource,
               const std::vector<std::pair<GLuint, const char*>>& attributes, std::string& error);

    GLuint Id() const { return id_; }
    void Use() const { glUseProgram(id_); }
    GLint Uniform(const char* name) const { return glGetUniformLocation(id_, name); }

private:
    GLuint id_ = 0;
};

} // namespace vlm::render
