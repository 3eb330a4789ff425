#include "levels/FollowerPath.h"

#include "scene/Movement.h"
#include "scene/SceneObject.h"

namespace vlm::levels {

TFollowerPath BuildFollowerPath(scene::TGLBaseSceneObject& follower, const TNavPathTable& paths, int pathNumber) {
    TFollowerPath result;
    result.Movement = follower.GetOrCreateMovement();
    result.Path = result.Movement->AddPath();
    result.Path->ShowPath = false;
    if (pathNumber >= 0 && static_cast<size_t>(pathNumber) < paths.size()) {
        const TNodesPath& nav = paths[static_cast<size_t>(pathNumber)];
        result.Path->Looped = nav.Looped;
        for (const TNavNode& n : nav.Nodes) {
            scene::TGLPathNode& node = result.Path->AddNode();
            node.Speed = static_cast<float>(n.Speed);
            node.Position = glm::vec3(static_cast<float>(6.0 * n.X), static_cast<float>(0.1 * n.Y),
                                      static_cast<float>(8.0 * n.Z));
            node.Rotation = glm::vec3(static_cast<float>(n.RotX), static_cast<float>(n.RotY),
                                      static_cast<float>(n.RotZ));
            result.Node = &node;
        }
    }
    result.Movement->SetActivePathIndex(-1);
    return result;
}

} // namespace vlm::levels
