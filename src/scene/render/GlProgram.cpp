#include "scene/render/GlProgram.h"

namespace vlm::render {

namespace {

std::string ShaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length > 1 ? length : 1), '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    return log.c_str();
}

std::string ProgramLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length > 1 ? length : 1), '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    return log.c_str();
}

GLuint Compile(GLenum type, int glslVersion, const char* source, const char* name, std::string& error) {
    const std::string header = "#version " + std::to_string(glslVersion) + "\n";
    const char* parts[2] = {header.c_str(), source};
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        error = std::string("shader program \"") + name + "\": the " +
                (type == GL_VERTEX_SHADER ? "vertex" : "fragment") + " shader does not compile: " + ShaderLog(shader);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

GlProgram::~GlProgram() {
    if (id_) glDeleteProgram(id_);
}

bool GlProgram::Build(const char* name, int glslVersion, const char* vertexSource, const char* fragmentSource,
                      const std::vector<std::pair<GLuint, const char*>>& attributes, std::string& error) {
    GLuint vs = Compile(GL_VERTEX_SHADER, glslVersion, vertexSource, name, error);
    if (!vs) return false;
    GLuint fs = Compile(GL_FRAGMENT_SHADER, glslVersion, fragmentSource, name, error);
    if (!fs) {
        glDeleteShader(vs);
        return false;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    for (const auto& [location, attribute] : attributes) glBindAttribLocation(program, location, attribute);
    glBindFragDataLocation(program, 0, "o_color");
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        error = std::string("shader program \"") + name + "\" does not link: " + ProgramLog(program);
        glDeleteProgram(program);
        return false;
    }
    if (id_) glDeleteProgram(id_);
    id_ = program;
    return true;
}

} // namespace vlm::render
