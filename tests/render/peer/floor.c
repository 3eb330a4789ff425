// What a frame costs a driver at the least: a window that is cleared, covered N times by a
// full-window textured rectangle (the way a backdrop plane is drawn: a 1024 x 1024 mipmapped
// picture, trilinear, the passes after the first blended over it) and swapped. Run it on the same
// server as the game and the peer to see how much of their frames no drawing program can save.
//
//   gcc -O2 -o floor floor.c $(pkg-config --cflags --libs sdl2 epoxy)
//   ./floor PASSES [FRAMES [TEXELS]]     (1024 x 768, no vsync)
//
// TEXELS is how many texels of the picture a pixel spans (default 0.92, the far plane of stars:
// magnified, so sampled bilinearly from the full-size picture; above 1 the picture is minified and
// sampled trilinearly from two mipmap levels).
//
// Prints the frames per second and the process's CPU time per frame (all threads, the driver's
// rasterizer threads included) over the frames after the first 60.
#include <SDL.h>
#include <epoxy/gl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

static double CpuSeconds(void) {
  struct rusage u;
  getrusage(RUSAGE_SELF, &u);
  return (double)u.ru_utime.tv_sec + (double)u.ru_stime.tv_sec + ((double)u.ru_utime.tv_usec + (double)u.ru_stime.tv_usec) * 1e-6;
}

static double WallSeconds(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static GLuint Shader(GLenum kind, const char* text) {
  GLuint s = glCreateShader(kind);
  glShaderSource(s, 1, &text, NULL);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024];
    glGetShaderInfoLog(s, sizeof log, NULL, log);
    fprintf(stderr, "floor: shader: %s\n", log);
    exit(1);
  }
  return s;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: floor PASSES [FRAMES]\n");
    return 2;
  }
  const int passes = atoi(argv[1]);
  const int frames = argc > 2 ? atoi(argv[2]) : 600;
  const float texels = argc > 3 ? (float)atof(argv[3]) : 0.92f;
  const int width = 1024, height = 768, skip = 60;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    fprintf(stderr, "floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                        SDL_WINDOW_OPENGL);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : NULL;
  if (!context) {
    fprintf(stderr, "floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetSwapInterval(0);

  // Soft noise, as a nebula plane's picture is (none with no passes: a window only cleared).
  const int side = passes > 0 ? 1024 : 1;
  unsigned char* pixels = malloc((size_t)side * side * 4);
  unsigned seed = 7;
  for (int i = 0; i < side * side * 4; ++i) {
    seed = seed * 1103515245u + 12345u;
    pixels[i] = (unsigned char)(seed >> 24);
  }
  GLuint texture;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  glGenerateMipmap(GL_TEXTURE_2D);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  free(pixels);

  const char* vs =
      "#version 330 core\n"
      "uniform vec2 u_offset;\n"
      "uniform float u_texels;\n"
      "out vec2 v_uv;\n"
      "void main() {\n"
      "  vec2 p = vec2(gl_VertexID & 1, gl_VertexID >> 1) * 2.0 - 1.0;\n"
      "  v_uv = (p * 0.5 + 0.5) * vec2(1.0, 0.75) * u_texels + u_offset;\n"
      "  gl_Position = vec4(p, 0.0, 1.0);\n"
      "}\n";
  const char* fs =
      "#version 330 core\n"
      "uniform sampler2D u_texture;\n"
      "uniform float u_alpha;\n"
      "in vec2 v_uv;\n"
      "out vec4 o_color;\n"
      "void main() { vec4 c = texture(u_texture, v_uv); o_color = vec4(c.rgb, c.a * u_alpha); }\n";
  GLuint program = glCreateProgram();
  glAttachShader(program, Shader(GL_VERTEX_SHADER, vs));
  glAttachShader(program, Shader(GL_FRAGMENT_SHADER, fs));
  glLinkProgram(program);
  glUseProgram(program);
  const GLint offset = glGetUniformLocation(program, "u_offset");
  const GLint alpha = glGetUniformLocation(program, "u_alpha");
  glUniform1f(glGetUniformLocation(program, "u_texels"), texels);
  GLuint vao;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  double cpu0 = 0, wall0 = 0;
  for (int f = 0; f < frames; ++f) {
    SDL_Event e;
    int quit = 0;
    while (SDL_PollEvent(&e)) quit = quit || e.type == SDL_QUIT;
    if (quit) return 0;
    if (f == skip) {
      cpu0 = CpuSeconds();
      wall0 = WallSeconds();
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (int p = 0; p < passes; ++p) {
      if (p == 0)
        glDisable(GL_BLEND);
      else
        glEnable(GL_BLEND);
      glUniform2f(offset, 0.37f * (float)p, -0.002f * (float)f * (float)(p + 1));
      glUniform1f(alpha, p == 0 ? 1.0f : 0.5f);
      glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    SDL_GL_SwapWindow(window);
  }
  glFinish();
  const int measured = frames - skip;
  const double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0;
  printf("passes %d, %.2f texels a pixel: %.1f frames per second, %.2f ms of CPU per frame (%d frames)\n", passes,
         texels, measured / wall, cpu * 1000.0 / measured, measured);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
