# cmake -DCLANG= -DLLD_LINK= -DTARGET=triple -DLINK_OPTIONS= -DKERNEL32=libkernel32.a
#       -DINSTALLED=prefix -DSOURCE=msvc_client.cpp -DOUT=dir -P BuildMsvcClient.cmake
# Compiles and links the Microsoft-ABI client against an installed tree.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CLANG} --target=${TARGET} -fno-exceptions -fno-rtti -O1 -Wall -Wextra -Werror
                        -I${INSTALLED}/include -c ${SOURCE} -o ${OUT}/msvc_client.obj COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${LLD_LINK} /nologo ${LINK_OPTIONS} /subsystem:console /entry:KXMsvcClientMain
                        /nodefaultlib /out:${OUT}/msvc_client.exe ${OUT}/msvc_client.obj
                        ${INSTALLED}/lib/KXVdsDisks.lib ${KERNEL32} COMMAND_ERROR_IS_FATAL ANY)
file(COPY ${INSTALLED}/bin/KXVdsDisks.dll DESTINATION ${OUT})
